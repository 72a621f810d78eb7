# Gapless joins through a real sound server: tralu-cli play against
# gst-play-1.0 --gapless on the same songs, recorded from a private
# PulseAudio daemon's null sink.
tralu_add_benchmark(player_gap SOURCES player_gap.cpp gap_detect.cpp gap_detect.h LIBS tralu_player Qt6::Core)
add_dependencies(bench_player_gap tralu-cli)
