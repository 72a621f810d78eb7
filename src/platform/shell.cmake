list(APPEND TRALU_PLATFORM_SOURCES shell_services.cpp shell_services.h file_ops.cpp file_ops.h
     lnk_file.cpp lnk_file.h)
list(APPEND TRALU_PLATFORM_LIBS PkgConfig::LNK)
