list(APPEND TRALU_PLATFORM_SOURCES picture_loader.cpp picture_loader.h)
