list(APPEND TRALU_PLATFORM_SOURCES picture_loader.cpp picture_loader.h)
list(APPEND TRALU_PLATFORM_LIBS JPEG::JPEG)
