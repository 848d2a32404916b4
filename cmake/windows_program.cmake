# trv_windows_program(<name> <resource script> <icon> <source>...): one of the release's Windows
# programs, <name>.exe in the tree's top folder, linked as every program of the build is (see the
# top-level CMakeLists.txt) and built as it ships.
#
# Its resource script takes in src/ui/program_resources.rc with the version header and the
# program's versioned manifest (cmake/version.cmake); the build does not see the manifest and the
# icon through the script by itself. The program is stripped of the 200 KB of debug information the
# static runtime brings and of its symbols: both stay beside it in <name>.exe.debug for support,
# which the program names (a debug link, with the file's checksum) so that a debugger finds it.
# objcopy stamps the time into what it writes unless told a time; 0 is what the linker writes.
function(trv_windows_program name resource_script icon)
  add_executable(${name} WIN32 ${ARGN} ${resource_script})
  target_link_options(${name} PRIVATE -municode)
  target_include_directories(${name} PRIVATE ${TRV_GENERATED_DIR} ${PROJECT_SOURCE_DIR}/src/ui)
  set_source_files_properties(${resource_script} PROPERTIES OBJECT_DEPENDS
    "${TRV_GENERATED_DIR}/${name}.versioned.manifest;${icon};${PROJECT_SOURCE_DIR}/src/ui/program_resources.rc")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  set(program $<TARGET_FILE:${name}>)
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0
            ${CMAKE_OBJCOPY} --only-keep-debug ${program} ${program}.debug
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0
            ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${program}.debug ${program}
    VERBATIM)
endfunction()
