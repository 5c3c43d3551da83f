# Fails when an executable or shared object under FOLDER carries a library
# search path (RPATH or RUNPATH) with an entry that is empty or relative: the
# loader reads such an entry against the current directory, so a library
# planted there would be loaded. Absolute folders and $ORIGIN are anchored.
#   cmake -DREADELF=... -DFOLDER=... -DREQUIRED="name;..." -P check_search_paths.cmake
# REQUIRED names files that must be among those checked, so that the test
# cannot pass by finding nothing. CMake's own files (CMakeFiles) are skipped.

file(GLOB_RECURSE candidates LIST_DIRECTORIES false ${FOLDER}/*)
list(FILTER candidates EXCLUDE REGEX "/CMakeFiles/")
set(checked)
set(faults)
foreach(file IN LISTS candidates)
    if(IS_SYMLINK ${file})
        continue()
    endif()
    # The ELF magic, then e_type at byte 16: 2 an executable, 3 a shared object
    # (or a position-independent executable); objects (1) have no search path.
    file(READ ${file} header LIMIT 18 HEX)
    if(NOT header MATCHES "^7f454c46.*(0200|0300)$")
        continue()
    endif()
    list(APPEND checked ${file})
    execute_process(COMMAND ${READELF} -d ${file} RESULT_VARIABLE result OUTPUT_VARIABLE dynamic ERROR_QUIET)
    if(NOT result EQUAL 0)
        list(APPEND faults "${file}: readelf failed")
        continue()
    endif()
    string(REGEX MATCHALL "\\((RPATH|RUNPATH)\\)[^\n]*\\[[^]\n]*\\]" search_paths "${dynamic}")
    foreach(search_path IN LISTS search_paths)
        string(REGEX REPLACE ".*\\[(.*)\\]" "\\1" entries "${search_path}")
        # Each ":" separates two entries: "a::b" holds an empty one.
        string(REPLACE ":" ";" entries "${entries}")
        foreach(entry IN LISTS entries)
            if(NOT entry MATCHES "^(/|\\$ORIGIN(/|$)|\\$\\{ORIGIN\\}(/|$))")
                list(APPEND faults "${file}: ${search_path} (entry \"${entry}\")")
            endif()
        endforeach()
    endforeach()
endforeach()

foreach(name IN LISTS REQUIRED)
    if(NOT checked MATCHES "/${name}(;|$)")
        list(APPEND faults "${name} was not found under ${FOLDER}")
    endif()
endforeach()
if(faults)
    string(REPLACE ";" "\n  " faults "${faults}")
    message(FATAL_ERROR "Library search paths that may reach the current directory, or binaries not found:\n  ${faults}")
endif()
list(LENGTH checked count)
message(STATUS "${count} binaries checked")
