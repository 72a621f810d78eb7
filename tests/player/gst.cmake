#The GStreamer graphs on real files, with a fake or a file sink, and the
#LAME header reader on files of two encoders.
tralu_add_test(test_gst_graph SOURCES test_gst_graph.cpp audio_files.h LIBS tralu_player QT)
