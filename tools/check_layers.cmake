# Fails when a production file includes a header from a folder above its own.
# The folders, lowest first; a file may include its own folder and lower ones
# only. online and system share a rank and never include each other.
#   cmake -DROOT=<source folder> -P tools/check_layers.cmake
cmake_minimum_required(VERSION 3.25)
if(NOT ROOT)
    message(FATAL_ERROR "check_layers: pass -DROOT=<source folder>")
endif()
set(RANK_base 0)
set(RANK_platform 1)
set(RANK_store 1)
set(RANK_collection 2)
set(RANK_online 3)
set(RANK_system 3)
set(RANK_app 4)
set(FOLDERS base store platform collection online system app)

# Environment variables the program may read: the desktop's, the sound
# servers' and GStreamer's, and the one audio-output override the README
# documents.
set(ALLOWED_ENV XDG_CONFIG_HOME XDG_DATA_HOME XDG_RUNTIME_DIR PULSE_SERVER PIPEWIRE_REMOTE
    GST_PLUGIN_SYSTEM_PATH_1_0 GST_PLUGIN_SYSTEM_PATH GST_REGISTRY_1_0 GST_REGISTRY LIRAVO_AO)

# "file -> header" pairs that still run back up; this list only shrinks.
# The SQLite store still sits in platform/ until it moves to store/ beside the
# text of its failures.
set(KNOWN_BACK_EDGES "platform/sqlitesettingsbackend.cpp -> store/storefailure.h")

set(problems "")
foreach(folder ${FOLDERS})
    file(GLOB files RELATIVE ${ROOT} ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp ${ROOT}/${folder}/*.in)
    foreach(f ${files})
        file(STRINGS ${ROOT}/${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^/\"]+/")
        foreach(line ${lines})
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
            string(REGEX REPLACE "/.*" "" target "${header}")
            if(target STREQUAL folder OR NOT DEFINED RANK_${target})
                continue()
            endif()
            if(RANK_${target} LESS RANK_${folder})
                continue()
            endif()
            if("${f} -> ${header}" IN_LIST KNOWN_BACK_EDGES)
                continue()
            endif()
            string(APPEND problems "  ${f} includes ${header} (${target} is not below ${folder})\n")
        endforeach()
        file(STRINGS ${ROOT}/${f} envlines REGEX "(qEnvironmentVariable[A-Za-z]*|qgetenv|getenv)[ \t]*\\(")
        foreach(line ${envlines})
            string(REGEX MATCHALL "(qEnvironmentVariable[A-Za-z]*|qgetenv|getenv)[ \t]*\\([^,)]*" calls "${line}")
            foreach(call ${calls})
                if(call MATCHES "\\([ \t]*\"([A-Za-z0-9_]+)\"")
                    if(NOT CMAKE_MATCH_1 IN_LIST ALLOWED_ENV)
                        string(APPEND problems "  ${f} reads the environment variable ${CMAKE_MATCH_1}\n")
                    endif()
                else()
                    string(APPEND problems "  ${f} reads an environment variable named at run time: ${call}\n")
                endif()
            endforeach()
        endforeach()
        if(folder STREQUAL "app")
            file(STRINGS ${ROOT}/${f} guards REGEX "__has_include")
            if(guards)
                string(APPEND problems "  ${f} guards an include with __has_include\n")
            endif()
        endif()
    endforeach()
endforeach()
if(problems)
    message(FATAL_ERROR "Layer order broken:\n${problems}")
endif()
message(STATUS "Layer order kept")
