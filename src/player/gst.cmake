# The GStreamer graphs: one decoding pipeline per graph, one output pipeline.
pkg_check_modules(GST_APP REQUIRED IMPORTED_TARGET gstreamer-app-1.0)
list(APPEND TRALU_PLAYER_SOURCES gst_graph.cpp gst_graph.h)
list(APPEND TRALU_PLAYER_LIBS PkgConfig::GST PkgConfig::GST_APP)
