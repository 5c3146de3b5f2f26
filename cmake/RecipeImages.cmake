# vq_recipe_images(OUT_VAR RECIPE FOLDER): the pictures a vqtool image
# recipe draws ("image NAME ..." lines) as paths in FOLDER; the recipe is a
# configure dependency of the calling folder, so a new line is seen.
function(vq_recipe_images out_var recipe folder)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${recipe}")
  file(STRINGS "${recipe}" lines REGEX "^image ")
  set(images)
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^image ([^ ]+) .*$" "\\1" image "${line}")
    list(APPEND images "${folder}/${image}")
  endforeach()
  set(${out_var} ${images} PARENT_SCOPE)
endfunction()
