# The program's version for its version resource and manifest, from scripts/version.sh. CMake runs
# again at every `make windows`, so a new commit or tag is picked up.
execute_process(
  COMMAND sh ${CMAKE_SOURCE_DIR}/scripts/version.sh
  OUTPUT_VARIABLE TRV_VERSION
  OUTPUT_STRIP_TRAILING_WHITESPACE
  COMMAND_ERROR_IS_FATAL ANY)
if(NOT TRV_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)(-([0-9]+)-g)?")
  message(FATAL_ERROR "scripts/version.sh gave '${TRV_VERSION}', not MAJOR.MINOR.PATCH[...]")
endif()
# Windows keeps four numbers of at most 65535: major, minor, patch and the commits since the tag.
set(TRV_VERSION_MAJOR ${CMAKE_MATCH_1})
set(TRV_VERSION_MINOR ${CMAKE_MATCH_2})
set(TRV_VERSION_PATCH ${CMAKE_MATCH_3})
set(TRV_VERSION_BUILD 0)
if(CMAKE_MATCH_5)
  set(TRV_VERSION_BUILD ${CMAKE_MATCH_5})
endif()
foreach(part MAJOR MINOR PATCH BUILD)
  if(TRV_VERSION_${part} GREATER 65535)
    set(TRV_VERSION_${part} 65535)
  endif()
endforeach()
# Only a tagged commit's version is MAJOR.MINOR.PATCH alone; any other build, and one outside git
# (0.0.0), is a pre-release.
set(TRV_VERSION_FLAGS 0)
if(NOT TRV_VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+$" OR TRV_VERSION STREQUAL "0.0.0")
  set(TRV_VERSION_FLAGS VS_FF_PRERELEASE)
endif()
# The copyright's year is the last commit's, so that one commit always gives the same program.
execute_process(
  COMMAND git log -1 --format=%cd --date=format:%Y
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
  OUTPUT_VARIABLE TRV_COPYRIGHT_YEAR
  OUTPUT_STRIP_TRAILING_WHITESPACE
  ERROR_QUIET)
if(TRV_COPYRIGHT_YEAR MATCHES "^[0-9]+$")
  set(TRV_COPYRIGHT "Copyright (C) ${TRV_COPYRIGHT_YEAR} ZORPA")
else()
  set(TRV_COPYRIGHT "Copyright (C) ZORPA")
endif()
message(STATUS "Program version ${TRV_VERSION}")

set(TRV_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/trv_version.h.in ${TRV_GENERATED_DIR}/trv_version.h @ONLY)

# Each program's manifest: src/ui/TRV2KFlash.exe.manifest with the program's assembly name
# (Zorpa.<program>), its description, and its own assembly version set to the version, as
# ${TRV_GENERATED_DIR}/<program>.versioned.manifest. The file in src/ui stays as written, since the
# Windows tests embed it too.
set(manifest_source ${CMAKE_SOURCE_DIR}/src/ui/TRV2KFlash.exe.manifest)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${manifest_source})
file(READ ${manifest_source} manifest_template)
set(identity_pattern "name=\"Zorpa\\.TRV2KFlash\" version=\"[0-9.]+\"")
set(description_pattern "<description>[^<]*</description>")
if(NOT manifest_template MATCHES "${identity_pattern}" OR
   NOT manifest_template MATCHES "${description_pattern}")
  message(FATAL_ERROR "${manifest_source}: no assemblyIdentity name=\"Zorpa.TRV2KFlash\" "
                      "version=... or no <description>")
endif()
foreach(program "TRV2KFlash=ZORPA TRV2K-3B Flash Programmer"
                "TRV2KCheck=ZORPA TRV2K-3B Adapter and Chip Check")
  string(REGEX MATCH "^[^=]+" name "${program}")
  string(REGEX MATCH "[^=]+$" description "${program}")
  string(REGEX REPLACE "${identity_pattern}"
         "name=\"Zorpa.${name}\" version=\"${TRV_VERSION_MAJOR}.${TRV_VERSION_MINOR}.${TRV_VERSION_PATCH}.${TRV_VERSION_BUILD}\""
         manifest "${manifest_template}")
  string(REGEX REPLACE "${description_pattern}" "<description>${description}</description>"
         manifest "${manifest}")
  file(CONFIGURE OUTPUT ${TRV_GENERATED_DIR}/${name}.versioned.manifest CONTENT "${manifest}" @ONLY)
endforeach()
