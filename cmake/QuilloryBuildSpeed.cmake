# Build speed for the everyday build and for several working copies of the tree side by side.
#
# - Compiled objects go through ccache when it is installed. Paths below the source tree are
#   hashed relative to it and the build folder's own path is left out, so a second working copy
#   (a branch beside main) reuses every object whose source and flags it shares.
# - Precompiled headers are used only without ccache: a precompiled header names the absolute
#   paths of its working copy, so no object compiled against it could be shared.
# - The everyday build keeps line tables only (enough for backtraces and profiles): the full
#   debug information of the Qt headers made up most of each object and of the link. The
#   sanitizer and fuzzing builds keep full debug information for their reports.
# - mold links when it is installed.
option(QUILLORY_CCACHE "Compile through ccache when it is installed" ON)
find_program(QUILLORY_CCACHE_PROGRAM ccache)
if(QUILLORY_CCACHE AND QUILLORY_CCACHE_PROGRAM)
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env
    CCACHE_BASEDIR=${PROJECT_SOURCE_DIR} CCACHE_NOHASHDIR=1
    CCACHE_SLOPPINESS=include_file_mtime,include_file_ctime,time_macros
    ${QUILLORY_CCACHE_PROGRAM})
  set(QUILLORY_USE_PCH OFF)
else()
  set(QUILLORY_USE_PCH ON)
endif()

if(NOT (QUILLORY_SANITIZE OR QUILLORY_FUZZ))
  string(REPLACE "-g" "-g1" CMAKE_CXX_FLAGS_RELWITHDEBINFO "${CMAKE_CXX_FLAGS_RELWITHDEBINFO}")
endif()

find_program(QUILLORY_MOLD ld.mold)
if(QUILLORY_MOLD)
  add_link_options(-fuse-ld=mold)
endif()
