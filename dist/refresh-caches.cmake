# Run at install time. Installed straight into a data folder the desktop
# reads, the document type takes effect only once the MIME database and the
# desktop entries' MIME cache are rebuilt. A staged install (DESTDIR, as for
# a package) leaves that to the package system's triggers.
if(NOT "$ENV{DESTDIR}" STREQUAL "")
    return()
endif()

cmake_path(ABSOLUTE_PATH paginette_datadir BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" NORMALIZE
    OUTPUT_VARIABLE data)
set(read "$ENV{XDG_DATA_DIRS}")
if(read STREQUAL "")
    set(read "/usr/local/share:/usr/share")
endif()
string(REPLACE ":" ";" read "${read}")
if(NOT "$ENV{XDG_DATA_HOME}" STREQUAL "")
    list(APPEND read "$ENV{XDG_DATA_HOME}")
elseif(NOT "$ENV{HOME}" STREQUAL "")
    list(APPEND read "$ENV{HOME}/.local/share")
endif()

set(desktop_reads_it FALSE)
foreach(folder IN LISTS read)
    cmake_path(SET folder NORMALIZE "${folder}/")
    if("${data}/" STREQUAL folder)
        set(desktop_reads_it TRUE)
    endif()
endforeach()
if(NOT desktop_reads_it)
    return()
endif()

find_program(update_mime update-mime-database)
if(update_mime)
    message(STATUS "Updating the MIME database in ${data}/mime")
    execute_process(COMMAND ${update_mime} "${data}/mime")
endif()
find_program(update_desktop update-desktop-database)
if(update_desktop)
    message(STATUS "Updating the MIME cache of ${data}/applications")
    execute_process(COMMAND ${update_desktop} -q "${data}/applications")
endif()
