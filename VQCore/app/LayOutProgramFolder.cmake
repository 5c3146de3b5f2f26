# cmake -DSOURCE=tree -DPROGRAM=folder -P LayOutProgramFolder.cmake
# The folders an installed manager has beside Norvane.exe: the skin folder
# (skin/folder in the tree, when the skin ships one), audio\ and the
# empty folders the program fills.
file(MAKE_DIRECTORY "${PROGRAM}/skin" "${PROGRAM}/data" "${PROGRAM}/pic" "${PROGRAM}/audio" "${PROGRAM}/config")
if(IS_DIRECTORY "${SOURCE}/skin/folder")
  file(COPY "${SOURCE}/skin/folder/" DESTINATION "${PROGRAM}/skin")
endif()
if(EXISTS "${SOURCE}/skin/complete.wav")
  file(COPY "${SOURCE}/skin/complete.wav" DESTINATION "${PROGRAM}/audio")
endif()
