# Placeholder until the Qt file back ends exist: trace only.
add_library(veltrane_qt_files STATIC ${PROJECT_SOURCE_DIR}/cli/file_output_none.cpp)
target_link_libraries(veltrane_qt_files PUBLIC veltrane_cli_lib)
