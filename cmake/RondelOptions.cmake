# Compiler settings shared by every target of the project.
#
# The program works on code-page-932 byte strings: sources are UTF-8, string literals are
# turned into CP932 bytes by the compiler, so that "不明" in a source file is the same bytes
# as the value Windows hands to an "A" function under code page 932.
if(MSVC)
  add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:/W4> $<$<COMPILE_LANGUAGE:C,CXX>:/permissive->
                      $<$<COMPILE_LANGUAGE:C,CXX>:/source-charset:utf-8> $<$<COMPILE_LANGUAGE:C,CXX>:/execution-charset:.932>)
  add_compile_definitions(_CRT_SECURE_NO_WARNINGS)
else()
  add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-Wall> $<$<COMPILE_LANGUAGE:C,CXX>:-Wextra>
                      $<$<COMPILE_LANGUAGE:C,CXX>:-finput-charset=UTF-8> $<$<COMPILE_LANGUAGE:C,CXX>:-fexec-charset=CP932>)
  # The program's and the tests' own code: every warning is an error.
  set(RONDEL_WARNINGS -Werror -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-qual -Wformat=2
                      -Wimplicit-fallthrough -Wnull-dereference -Wmissing-declarations -Wundef -Wvla)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    list(APPEND RONDEL_WARNINGS -Wduplicated-cond -Wduplicated-branches -Wlogical-op -Wuseless-cast)
  endif()
  list(TRANSFORM RONDEL_WARNINGS PREPEND "$<$<COMPILE_LANGUAGE:CXX>:" OUTPUT_VARIABLE rondel_warning_flags)
  list(TRANSFORM rondel_warning_flags APPEND ">")
  add_compile_options(${rondel_warning_flags})
endif()

if(WIN32)
  add_compile_definitions($<$<COMPILE_LANGUAGE:C,CXX>:WIN32_LEAN_AND_MEAN> $<$<COMPILE_LANGUAGE:C,CXX>:NOMINMAX>
                          _WIN32_WINNT=0x0601 WINVER=0x0601)
  if(MINGW)
    # Wine finds no libstdc++-6.dll: link the runtime into every program.
    add_link_options(-static)
  endif()
endif()

if(RONDEL_SANITIZE AND NOT WIN32)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
