# Project-wide warnings; VOK_WERROR (set in CI) turns them into errors.
set(VOK_WARNINGS -Wall -Wextra -Wshadow -Wimplicit-fallthrough -Wvla)
if(VOK_WERROR)
  list(APPEND VOK_WARNINGS -Werror)
endif()

# vok_warnings(target): our own targets get the warnings; third-party code does not.
function(vok_warnings target)
  target_compile_options(${target} PRIVATE ${VOK_WARNINGS})
endfunction()
