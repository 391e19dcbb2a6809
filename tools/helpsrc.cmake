# Lays out the help sources for chmcmd: cmake -DSOURCE=dir -DDEST=dir -DICONV=path -P helpsrc.cmake
#
# data/help is kept in UTF-8 so that it is easy to edit. A CHM viewer reads the
# contents file and the project's titles in the code page of the language the
# project declares (Czech: windows-1250), so every file goes to chmcmd in that
# code page, and the pages say so in their charset.
foreach(var SOURCE DEST ICONV)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "helpsrc.cmake needs -D${var}=...")
    endif()
endforeach()

file(REMOVE_RECURSE "${DEST}")
file(MAKE_DIRECTORY "${DEST}")
file(GLOB files RELATIVE "${SOURCE}" "${SOURCE}/*")
foreach(name IN LISTS files)
    file(READ "${SOURCE}/${name}" text)
    string(REGEX REPLACE "charset=[Uu][Tt][Ff]-8" "charset=windows-1250" text "${text}")
    file(WRITE "${DEST}/${name}.utf8" "${text}")
    # iconv fails on a character windows-1250 lacks, and so does the build.
    execute_process(COMMAND "${ICONV}" -f UTF-8 -t WINDOWS-1250 "${DEST}/${name}.utf8"
                    OUTPUT_FILE "${DEST}/${name}"
                    RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "data/help/${name}: not UTF-8, or has a character windows-1250 lacks")
    endif()
    file(REMOVE "${DEST}/${name}.utf8")
endforeach()
