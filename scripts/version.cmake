# Every build its own version: the project's and the count of commits behind it (1.0+git142),
# so that a rebuilt package or installer installs as an upgrade of the one before. The
# release's date is the commit's, not the build's. Without git (a source tarball) the project's
# version alone, dated SOURCE_DATE_EPOCH or today. Included by the top CMakeLists.
set(VELMORA_VERSION ${PROJECT_VERSION})
string(TIMESTAMP VELMORA_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP VELMORA_DATE_RFC2822 "%a, %d %b %Y %H:%M:%S +0000" UTC)
find_package(Git QUIET)
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE time
    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-list --count HEAD
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE count
    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --absolute-git-dir
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE gitDir
    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT failed AND count AND time AND EXISTS ${PROJECT_SOURCE_DIR}/.git)
    set(VELMORA_VERSION ${PROJECT_VERSION}+git${count})
    # %ct read as a time in UTC; a SOURCE_DATE_EPOCH of the caller's own is put back.
    set(callers "$ENV{SOURCE_DATE_EPOCH}")
    set(ENV{SOURCE_DATE_EPOCH} ${time})
    string(TIMESTAMP VELMORA_DATE "%Y-%m-%d" UTC)
    string(TIMESTAMP VELMORA_DATE_RFC2822 "%a, %d %b %Y %H:%M:%S +0000" UTC)
    set(ENV{SOURCE_DATE_EPOCH} "${callers}")
    # A new commit configures again, so that the version follows it.
    if(EXISTS ${gitDir}/logs/HEAD)
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${gitDir}/logs/HEAD)
    endif()
  endif()
endif()
set(VELMORA_VERSION ${VELMORA_VERSION} CACHE INTERNAL "the version of this build")
message(STATUS "Velmora ${VELMORA_VERSION} of ${VELMORA_DATE}")
