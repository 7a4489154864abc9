# Warnings are errors for the project's own code; third-party headers come in as
# system includes and are not affected.
function(parabase_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Werror)
endfunction()
