# cmake -DSKIN_FOLDERS=dir -DSOUND=file -DPROGRAM=folder -P LayOutProgramFolder.cmake
# The folders an installed manager has beside Norvane.exe: the skin folders
# under skin\, the sound under audio\, and the folders the program fills.
file(MAKE_DIRECTORY "${PROGRAM}/skin" "${PROGRAM}/data" "${PROGRAM}/pic" "${PROGRAM}/audio")
if(IS_DIRECTORY "${SKIN_FOLDERS}")
  file(COPY "${SKIN_FOLDERS}/" DESTINATION "${PROGRAM}/skin")
endif()
if(EXISTS "${SOUND}")
  file(COPY "${SOUND}" DESTINATION "${PROGRAM}/audio")
endif()
