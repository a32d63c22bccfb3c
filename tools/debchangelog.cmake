# SPDX-License-Identifier: GPL-3.0-or-later
# Turns CHANGELOG.md into Debian's changelog format (debian/changelog), the
# way the package ships it. Stops when the newest section is not VERSION, so a
# package never goes out with a changelog that does not describe it.
#   cmake -DIN=CHANGELOG.md -DOUT=changelog -DPACKAGE=liravo -DVERSION=1.0-1
#         -DMAINTAINER="Name <mail>" -P tools/debchangelog.cmake
cmake_minimum_required(VERSION 3.25)
foreach(var IN ITEMS IN OUT PACKAGE VERSION MAINTAINER)
    if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
        message(FATAL_ERROR "debchangelog: pass -D${var}=...")
    endif()
endforeach()

file(STRINGS "${IN}" lines ENCODING UTF-8)
set(out "")
set(version "")
set(date "")
set(items "")
set(first_version "")

# Writes the section read so far: its items, then the trailer line with the
# date in RFC 5322 form (noon UTC, as the Markdown names only the day).
function(flush)
    if(version STREQUAL "")
        return()
    endif()
    if(items STREQUAL "")
        message(FATAL_ERROR "debchangelog: ${version} has no items")
    endif()
    execute_process(COMMAND date -u -R -d "${date} 12:00:00 UTC"
                    OUTPUT_VARIABLE stamp OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0 OR stamp STREQUAL "")
        message(FATAL_ERROR "debchangelog: ${version} has no readable date: '${date}'")
    endif()
    string(APPEND out "${PACKAGE} (${version}) unstable; urgency=medium\n\n${items}\n"
                      " -- ${MAINTAINER}  ${stamp}\n\n")
    set(out "${out}" PARENT_SCOPE)
endfunction()

foreach(line IN LISTS lines)
    if(line MATCHES "^## +([^ ]+) +\\(([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])\\)[ \t]*$")
        flush()
        set(version "${CMAKE_MATCH_1}")
        set(date "${CMAKE_MATCH_2}")
        set(items "")
        if(first_version STREQUAL "")
            set(first_version "${version}")
        endif()
    elseif(line MATCHES "^##")
        message(FATAL_ERROR "debchangelog: a section heading must read '## <version> (<YYYY-MM-DD>)': ${line}")
    elseif(NOT version STREQUAL "" AND line MATCHES "^- +(.*)$")
        string(APPEND items "  * ${CMAKE_MATCH_1}\n")
    elseif(NOT version STREQUAL "" AND line MATCHES "^  +(.*)$")
        string(APPEND items "    ${CMAKE_MATCH_1}\n")
    endif()
endforeach()
flush()

if(NOT first_version STREQUAL VERSION)
    message(FATAL_ERROR "debchangelog: the newest section of ${IN} is '${first_version}', "
                        "the package is ${VERSION}; add a section for it")
endif()
string(REGEX REPLACE "\n\n$" "\n" out "${out}")
file(WRITE "${OUT}.tmp" "${out}")
file(RENAME "${OUT}.tmp" "${OUT}")
