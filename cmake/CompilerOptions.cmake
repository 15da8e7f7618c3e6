# Compiler options shared by every target of both builds.

# The program's texts are code page 936 bytes. Sources stay UTF-8 (readable,
# and g++ takes the Chinese control names as identifiers); the compiler
# re-encodes every narrow string literal. GB18030 writes every character of
# code page 936 with the same bytes, and unlike GBK it can also encode the
# odd library literal (libstdc++'s <chrono> holds a micro sign), so the
# standard headers still compile. The tests pin the bytes of our literals.
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-fexec-charset=GB18030>)

add_library(quorlin_warnings INTERFACE)
target_compile_options(quorlin_warnings INTERFACE $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wshadow>)
if(QUORLIN_WERROR)
  target_compile_options(quorlin_warnings INTERFACE $<$<COMPILE_LANGUAGE:CXX>:-Werror>)
endif()
