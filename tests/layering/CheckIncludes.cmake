# cmake -DSOURCE_DIR=<repository> -P CheckIncludes.cmake
# Fails when a folder includes against the layering: the DSP knows nothing of the analysis,
# the core, the editor, the toolkit or the formats; the core knows no editor, toolkit or
# format; the toolkit knows only itself; the editor knows no format; only the format adapters
# (plugin/ and the VST 2.4 host harness) know a format's declarations. Tests and benchmarks drive the adapters and may include anything.
cmake_minimum_required(VERSION 3.25)

# "<including folder>|<folders it must not include from>"
set(rules
    "engine|analysis core editor gui plugin"
    "analysis|core editor gui plugin"
    "core|editor gui plugin"
    "editor|plugin"
    "gui|analysis core editor engine plugin"
    "resources|plugin"
    "tools/render|plugin"
)

set(violations "")
foreach(rule IN LISTS rules)
    string(REPLACE "|" ";" parts "${rule}")
    list(GET parts 0 folder)
    list(GET parts 1 forbidden)
    string(REPLACE " " ";" forbidden "${forbidden}")
    file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/*.h
         ${SOURCE_DIR}/${folder}/*.cpp)
    foreach(file IN LISTS files)
        file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" included "${line}")
            foreach(other IN LISTS forbidden)
                if(included MATCHES "^${other}/")
                    list(APPEND violations "${file} includes ${included}")
                endif()
            endforeach()
        endforeach()
    endforeach()
endforeach()

if(violations)
    list(JOIN violations "\n  " text)
    message(FATAL_ERROR "Includes against the layering:\n  ${text}")
endif()
