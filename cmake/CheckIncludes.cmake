# cmake -DFOLDER=dir -DFORBIDDEN=a/b;c/d -P CheckIncludes.cmake
# Fails, naming each line, when a source under FOLDER includes a header from a FORBIDDEN folder.
file(GLOB_RECURSE sources ${FOLDER}/*.h ${FOLDER}/*.cpp)
list(JOIN FORBIDDEN "|" alternatives)
set(found "")
foreach(source IN LISTS sources)
    file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](${alternatives})/")
    foreach(line IN LISTS lines)
        string(APPEND found "\n  ${source}: ${line}")
    endforeach()
endforeach()
if(found)
    message(FATAL_ERROR "${FOLDER} includes what is built on it:${found}")
endif()
