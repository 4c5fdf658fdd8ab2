# Warnings are errors for our own code; every target adds ferrix_warnings.
add_library(ferrix_warnings INTERFACE)
target_compile_options(ferrix_warnings INTERFACE -Wall -Wextra -Werror)

if(FERRIX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
