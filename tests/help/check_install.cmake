# Installs the build tree into a fresh prefix and checks that the installed tree
# holds the programs, the help file, the examples and the desktop integration.
#   cmake -DBUILD_DIR=... -DPREFIX=... -DBINDIR=bin -DLIBDIR=lib -DDATADIR=share
#         -DREADELF=... -DSEARCH_PATH_CHECK=.../check_search_paths.cmake -P check_install.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${errors}")
endif()

set(app_id org.tarvek.Tarvek)
set(expected
    ${BINDIR}/tarvek
    ${BINDIR}/tarvek-batch
    ${LIBDIR}/tarvek/tarvek-batch-plot.so
    ${DATADIR}/tarvek/tarvek.chm
    ${DATADIR}/tarvek/examples/classroom.pop
    ${DATADIR}/tarvek/examples/mu284.pop
    ${DATADIR}/tarvek/examples/belgium.pop
    ${DATADIR}/tarvek/examples/schools.pop
    ${DATADIR}/tarvek/examples/classroom.csv
    ${DATADIR}/applications/${app_id}.desktop
    ${DATADIR}/metainfo/${app_id}.metainfo.xml
    ${DATADIR}/mime/packages/${app_id}.xml)
set(missing)
foreach(path IN LISTS expected)
    if(NOT EXISTS ${PREFIX}/${path})
        list(APPEND missing ${path})
    endif()
endforeach()

# Each icon is a PNG of the size its folder names (width and height stand in
# the header at bytes 16 to 23).
foreach(size 32 128)
    set(icon ${PREFIX}/${DATADIR}/icons/hicolor/${size}x${size}/apps/${app_id}.png)
    if(NOT EXISTS ${icon})
        list(APPEND missing ${icon})
        continue()
    endif()
    file(READ ${icon} header LIMIT 24 HEX)
    string(SUBSTRING ${header} 32 8 width_hex)
    string(SUBSTRING ${header} 40 8 height_hex)
    math(EXPR width "0x${width_hex}")
    math(EXPR height "0x${height_hex}")
    if(NOT width EQUAL size OR NOT height EQUAL size)
        message(SEND_ERROR "${icon} is ${width} x ${height}, not ${size} x ${size}")
    endif()
endforeach()

# The installed tarvek-batch finds its picture module.
set(picture ${PREFIX}/plot.bmp)
execute_process(COMMAND ${PREFIX}/${BINDIR}/tarvek-batch -s 10 --plot ${picture}
                        ${PREFIX}/${DATADIR}/tarvek/examples/classroom.pop
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0 OR NOT EXISTS ${picture})
    message(SEND_ERROR "the installed tarvek-batch wrote no picture (${result}): ${errors}")
endif()

# No installed binary searches the current directory for libraries.
execute_process(COMMAND ${CMAKE_COMMAND} -DREADELF=${READELF} -DFOLDER=${PREFIX}
                        "-DREQUIRED=tarvek;tarvek-batch;tarvek-batch-plot.so" -P ${SEARCH_PATH_CHECK}
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(SEND_ERROR "${errors}")
endif()

if(missing)
    string(REPLACE ";" "\n  " missing "${missing}")
    message(FATAL_ERROR "The installed tree lacks:\n  ${missing}")
endif()
