list(APPEND TRALU_RECORDS_SOURCES cx_record_rows.cpp cx_record_rows.h)
