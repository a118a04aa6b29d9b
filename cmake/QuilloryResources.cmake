# The program finds its resources in a "Resources" folder beside it. In the build folder that
# folder is a link to resources/ in the source tree, so an edited or added file is current
# at once without a rebuild.
set(QUILLORY_RESOURCES_SOURCE ${PROJECT_SOURCE_DIR}/resources)

# quillory_place_resources(<target>): put Resources beside <target>'s program.
function(quillory_place_resources target)
  set(folder $<TARGET_FILE_DIR:${target}>/Resources)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E create_symlink ${QUILLORY_RESOURCES_SOURCE} ${folder}
    VERBATIM)
endfunction()
