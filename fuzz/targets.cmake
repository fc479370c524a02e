# SPDX-License-Identifier: GPL-3.0-or-later
add_fuzz_target(playlist_file_fuzz playlist_file_fuzz.cpp ${PROJECT_SOURCE_DIR}/playlist/playlist_file.cpp)
add_fuzz_target(command_parser_fuzz command_parser_fuzz.cpp)
add_fuzz_target(selection_fuzz selection_fuzz.cpp ${PROJECT_SOURCE_DIR}/playlist/selection.cpp)
add_fuzz_target(mpeg_frames_fuzz mpeg_frames_fuzz.cpp)
target_link_libraries(mpeg_frames_fuzz PRIVATE vorla_mpeg_frames)
