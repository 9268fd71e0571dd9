# The skin's pictures, embedded as binary data: VolumeSkin::background_png and
# VolumeSkin::background_pngSize for pictures/background.png, and so on.
#
# The PNG files are committed; the build only embeds them. They are drawn by
# tools/skin_artwork/SkinArtwork.cpp; to remake them after changing it:
#
#     scripts/build build
#     build/tools/kdar7-skin-artwork volume_skin/kdar7_volume_skin/pictures
#
# then look at them and commit the pictures with the generator's change.

set(KDAR7_SKIN_PICTURE_NAMES
    background about about_update about_qn about_forum
    volumeknob_off volumeknob_hover
    mute_off mute_off_hover mute_off_pressed mute_on mute_on_hover mute_on_pressed
    icon)

set(KDAR7_SKIN_PICTURES)
foreach(name IN LISTS KDAR7_SKIN_PICTURE_NAMES)
    list(APPEND KDAR7_SKIN_PICTURES ${CMAKE_CURRENT_LIST_DIR}/pictures/${name}.png)
endforeach()

juce_add_binary_data(kdar7_skin_pictures
    NAMESPACE VolumeSkin
    HEADER_NAME VolumeSkinPictures.h
    SOURCES ${KDAR7_SKIN_PICTURES})

# The generated sources depend only on the list of files; re-running the
# configure step when a picture changes writes that list anew, so a remade
# picture is embedded again.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KDAR7_SKIN_PICTURES})

# Linked into the position-independent library.
set_target_properties(kdar7_skin_pictures PROPERTIES POSITION_INDEPENDENT_CODE TRUE)
