list(APPEND TRALU_RECORDS_SOURCES
  cx_database.cpp cx_database.h
  cx_dirlist.cpp cx_dirlist.h
  cx_inifile.cpp cx_inifile.h
  cx_records.cpp cx_records.h
  cx_similarity.cpp cx_similarity.h)
