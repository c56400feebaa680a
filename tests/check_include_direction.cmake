# cmake -DSOURCE_DIR=<repository> -P check_include_direction.cmake
# Fails, naming each offending line, when a file of the programs includes a header across
# the lines the folders keep: dependencies point one way, text <- engine <- shellext, and
# the setup program uses common only.
#   common/    nothing but common/ (the facts both programs and the tests share)
#   text/      nothing but text/ (portable byte-string routines)
#   engine/    text/, common/, engine/
#   shellext/  text/, common/, engine/, shellext/ (never setup/)
#   setup/     common/, setup/ (never text/, engine/ or shellext/)
#   runtime/   nothing but runtime/ (the deliverables' allocation operators)
# No file of the programs includes tests/, tools/ or bench/.
cmake_minimum_required(VERSION 3.25)
if(NOT SOURCE_DIR)
    message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=<repository> -P check_include_direction.cmake")
endif()

set(allowed_common common)
set(allowed_text text)
set(allowed_engine text common engine)
set(allowed_shellext text common engine shellext)
set(allowed_setup common setup)
set(allowed_runtime runtime)

set(problems "")
set(checked 0)
foreach(folder IN ITEMS common text engine shellext setup runtime)
    file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/*.h
         ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.rc)
    foreach(file IN LISTS files)
        math(EXPR checked "${checked} + 1")
        file(READ ${SOURCE_DIR}/${file} text)
        string(REGEX MATCHALL "#[ \t]*include[ \t]*\"[^\"\n]*\"" includes "${text}")
        foreach(include IN LISTS includes)
            string(REGEX REPLACE "^#[ \t]*include[ \t]*\"([^\"]*)\"$" "\\1" header "${include}")
            # A header without a folder is one beside the file (such as the .rc files' own).
            if(NOT header MATCHES "/")
                continue()
            endif()
            string(REGEX REPLACE "/.*" "" target "${header}")
            if(target IN_LIST allowed_${folder})
                continue()
            endif()
            string(FIND "${text}" "${include}" at)
            string(SUBSTRING "${text}" 0 ${at} before)
            string(REGEX MATCHALL "\n" breaks "${before}")
            list(LENGTH breaks line)
            math(EXPR line "${line} + 1")
            string(APPEND problems
                   "${file}:${line}: ${include}: ${folder}/ may not include ${target}/\n")
        endforeach()
    endforeach()
endforeach()

if(checked EQUAL 0)
    message(FATAL_ERROR "no source files found below ${SOURCE_DIR}")
endif()
if(problems)
    message(NOTICE "${problems}")
    message(FATAL_ERROR "includes above cross the folders' lines")
endif()
message(STATUS "${checked} files include only across the allowed lines")
