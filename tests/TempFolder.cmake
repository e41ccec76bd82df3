# The suite's temporary folder (TMPDIR of every test), run as a CTest
# fixture: "-DMODE=fresh" empties it before the tests, "-DMODE=empty" fails
# naming whatever a test left in it, then removes that too. RUNTIME, the
# session's runtime folder (XDG_RUNTIME_DIR) the tests share, is made fresh
# beside it, so what Qt keeps there is no test's leftover.
if(NOT DIR)
  message(FATAL_ERROR "DIR is not set")
endif()
if(MODE STREQUAL "fresh")
  file(REMOVE_RECURSE "${DIR}")
  file(MAKE_DIRECTORY "${DIR}")
  if(RUNTIME)
    file(REMOVE_RECURSE "${RUNTIME}")
    file(MAKE_DIRECTORY "${RUNTIME}")
    file(CHMOD "${RUNTIME}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  endif()
elseif(MODE STREQUAL "empty")
  file(GLOB left RELATIVE "${DIR}" LIST_DIRECTORIES true "${DIR}/*" "${DIR}/.*")
  list(REMOVE_ITEM left "." "..")
  if(left)
    list(JOIN left "\n  " names)
    file(REMOVE_RECURSE "${DIR}")
    file(MAKE_DIRECTORY "${DIR}")
    message(FATAL_ERROR "The tests left in their temporary folder ${DIR}:\n  ${names}")
  endif()
else()
  message(FATAL_ERROR "MODE must be fresh or empty")
endif()
