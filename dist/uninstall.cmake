# Removes what the last install put down, as its manifest lists it, and the
# folders of the program's own that are empty afterwards; shared folders
# (bin/, share/man/man1/, the icon theme) stay even when empty. The manifest
# names the files without DESTDIR: a staged install is removed with the same
# DESTDIR in the environment.
#
#   [DESTDIR=D] cmake -DMANIFEST=build/install_manifest.txt -P dist/uninstall.cmake
if(NOT DEFINED MANIFEST)
    set(MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/install_manifest.txt)
endif()
if(NOT EXISTS "${MANIFEST}")
    message(FATAL_ERROR "Nothing to uninstall: ${MANIFEST} is missing (install first)")
endif()

file(STRINGS "${MANIFEST}" listed)
set(installed)
foreach(file IN LISTS listed)
    list(APPEND installed "$ENV{DESTDIR}${file}")
endforeach()
set(failed)
set(own_dirs)
foreach(file IN LISTS installed)
    if(IS_SYMLINK "${file}" OR EXISTS "${file}")
        file(REMOVE "${file}")
        if(IS_SYMLINK "${file}" OR EXISTS "${file}")
            list(APPEND failed "${file}")
        endif()
    endif()
    # The folders named after the program (lib/kestrel, share/doc/kestrel).
    get_filename_component(dir "${file}" DIRECTORY)
    get_filename_component(dir_name "${dir}" NAME)
    if(dir_name STREQUAL "kestrel")
        list(APPEND own_dirs "${dir}")
    endif()
endforeach()
list(REMOVE_DUPLICATES own_dirs)
foreach(dir IN LISTS own_dirs)
    file(GLOB left "${dir}/*")
    if(IS_DIRECTORY "${dir}" AND NOT left)
        file(REMOVE_RECURSE "${dir}")
    endif()
endforeach()

list(LENGTH installed count)
if(failed)
    string(REPLACE ";" "\n  " failed "${failed}")
    message(FATAL_ERROR "Could not remove:\n  ${failed}")
endif()
message(STATUS "Removed the ${count} files of ${MANIFEST}")
