# Install step of the portable folder (run by `cmake --install` and by cpack). Puts the Qt
# plugins into plugins/ and every shared library that the program and those plugins load into
# lib/, except the host libraries, and points each run path at lib/; their licences go into
# licenses/.
#
# Set by packaging/CMakeLists.txt before this script runs:
#   TALLIVOR_EXECUTABLE      the built program
#   TALLIVOR_PLUGINS         the Qt plugin files, each with its folder in TALLIVOR_PLUGIN_DIRS
#   TALLIVOR_HOST_LIBRARIES  regexes of the file names that the host provides

cmake_policy(PUSH)
cmake_policy(VERSION 3.25)
set(folder "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")

find_program(patchelf patchelf)
if(NOT patchelf)
  message(FATAL_ERROR "The portable folder needs patchelf to set the libraries' run paths "
                      "(Debian: apt-get install patchelf).")
endif()

function(set_run_path file run_path)
  execute_process(COMMAND "${patchelf}" --set-rpath "${run_path}" "${file}"
                  RESULT_VARIABLE failed ERROR_VARIABLE error)
  if(failed)
    message(FATAL_ERROR "patchelf could not set the run path of ${file}: ${error}")
  endif()
endfunction()

# Every library reachable from the program and the plugins, as the dynamic loader resolves them
# on this machine: a new dependency is bundled without anyone having to name it.
file(GET_RUNTIME_DEPENDENCIES
  EXECUTABLES "${TALLIVOR_EXECUTABLE}"
  MODULES ${TALLIVOR_PLUGINS}
  RESOLVED_DEPENDENCIES_VAR everything
  UNRESOLVED_DEPENDENCIES_VAR unresolved)
if(unresolved)
  message(FATAL_ERROR "Libraries not found on this machine: ${unresolved}")
endif()

# The host's libraries and, resolved the same way, all that they load themselves: a library
# that the host's libfreetype needs (libpng, zlib) comes from the host too, in the version that
# library was built with.
set(host "")
foreach(library IN LISTS everything)
  get_filename_component(name "${library}" NAME)
  foreach(regex IN LISTS TALLIVOR_HOST_LIBRARIES)
    if(name MATCHES "${regex}")
      list(APPEND host "${library}")
      break()
    endif()
  endforeach()
endforeach()
file(GET_RUNTIME_DEPENDENCIES
  LIBRARIES ${host}
  RESOLVED_DEPENDENCIES_VAR host_needs
  UNRESOLVED_DEPENDENCIES_VAR unresolved)
set(host_names "")
foreach(library IN LISTS host host_needs)
  get_filename_component(name "${library}" NAME)
  list(APPEND host_names "${name}")
endforeach()
list(REMOVE_DUPLICATES host_names)
list(SORT host_names)
list(JOIN host_names " " left_out)
message(STATUS "Left to the host: ${left_out}")
set(bundled "")
foreach(library IN LISTS everything)
  get_filename_component(name "${library}" NAME)
  if(NOT name IN_LIST host_names)
    list(APPEND bundled "${library}")
  endif()
endforeach()

# Real files under the names the loader asks for (the sonames, which the resolved paths carry):
# no symbolic links, which a FAT-formatted USB stick could not hold.
foreach(library IN LISTS bundled)
  get_filename_component(name "${library}" NAME)
  file(REAL_PATH "${library}" real)
  file(INSTALL "${real}" DESTINATION "${CMAKE_INSTALL_PREFIX}/lib" RENAME "${name}")
  set_run_path("${folder}/lib/${name}" "$ORIGIN")
endforeach()

foreach(plugin dir IN ZIP_LISTS TALLIVOR_PLUGINS TALLIVOR_PLUGIN_DIRS)
  get_filename_component(name "${plugin}" NAME)
  file(INSTALL "${plugin}" DESTINATION "${CMAKE_INSTALL_PREFIX}/${dir}")
  string(REGEX REPLACE "[^/]+" ".." up "${dir}")
  set_run_path("${folder}/${dir}/${name}" "$ORIGIN/${up}/lib")
endforeach()
# The licence texts of all that the folder carries, as the Debian packages they came from state
# them: each package's copyright file, in licenses/<package>/.
function(package_of file result)
  file(REAL_PATH "${file}" real)
  # dpkg knows a file by the path its package put it at, which a merged /usr may hide.
  set(candidates "${file}" "${real}")
  foreach(path IN ITEMS "${file}" "${real}")
    if(path MATCHES "^/usr(/lib.*)")
      list(APPEND candidates "${CMAKE_MATCH_1}")
    elseif(path MATCHES "^/lib")
      list(APPEND candidates "/usr${path}")
    endif()
  endforeach()
  foreach(path IN LISTS candidates)
    execute_process(COMMAND dpkg-query --search "${path}" OUTPUT_VARIABLE owner
                    RESULT_VARIABLE failed ERROR_QUIET)
    if(NOT failed AND owner MATCHES "^([^:, ]+)")
      set(${result} "${CMAKE_MATCH_1}" PARENT_SCOPE)
      return()
    endif()
  endforeach()
  message(FATAL_ERROR "No Debian package owns ${file}: its licence can't be found, so the "
                      "folder can't carry it.")
endfunction()

set(packages "")
foreach(file IN LISTS bundled TALLIVOR_PLUGINS)
  package_of("${file}" package)
  list(APPEND packages "${package}")
endforeach()
list(REMOVE_DUPLICATES packages)
list(SORT packages)
foreach(package IN LISTS packages)
  set(copyright "/usr/share/doc/${package}/copyright")
  if(NOT EXISTS "${copyright}")
    message(FATAL_ERROR "${copyright} is missing: the licence of ${package} can't be bundled.")
  endif()
  file(REAL_PATH "${copyright}" real)
  file(INSTALL "${real}" DESTINATION "${CMAKE_INSTALL_PREFIX}/licenses/${package}"
       RENAME copyright)
endforeach()
list(JOIN packages " " listed)
message(STATUS "Licences of: ${listed}")
cmake_policy(POP)
