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
                      $<$<COMPILE_LANGUAGE:C,CXX>:-finput-charset=UTF-8>)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # Clang encodes literals in UTF-8 only and refuses -fexec-charset=CP932. Its compiles go
    # through a launcher that writes each non-ASCII character of a literal as the octal escapes
    # of its CP932 bytes, converted by the same iconv as g++'s (cmake/clang-cp932).
    if(CMAKE_HOST_WIN32)
      message(FATAL_ERROR "clang builds need a POSIX host for their code-page-932 literals")
    endif()
    set(rondel_cp932_source ${CMAKE_CURRENT_LIST_DIR}/Cp932Literals.cpp)
    set(rondel_cp932_launcher ${CMAKE_CURRENT_LIST_DIR}/clang-cp932)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${rondel_cp932_source} ${rondel_cp932_launcher})
    # Named after its own sources and the launcher's: a change to either changes every compile
    # command, so nothing converted the old way stays.
    file(READ ${rondel_cp932_source} rondel_cp932_text)
    file(READ ${rondel_cp932_launcher} rondel_cp932_launcher_text)
    string(MD5 rondel_cp932_hash "${rondel_cp932_text}${rondel_cp932_launcher_text}")
    string(SUBSTRING ${rondel_cp932_hash} 0 12 rondel_cp932_hash)
    set(rondel_cp932_tool ${CMAKE_BINARY_DIR}/cp932-literals-${rondel_cp932_hash})
    if(NOT EXISTS ${rondel_cp932_tool})
      file(GLOB rondel_cp932_old ${CMAKE_BINARY_DIR}/cp932-literals-*)
      if(rondel_cp932_old)
        file(REMOVE ${rondel_cp932_old})
      endif()
      execute_process(COMMAND ${CMAKE_CXX_COMPILER} -std=c++20 -O2 -o ${rondel_cp932_tool} ${rondel_cp932_source}
                      RESULT_VARIABLE rondel_cp932_result)
      if(NOT rondel_cp932_result EQUAL 0)
        message(FATAL_ERROR "cannot build ${rondel_cp932_tool}")
      endif()
    endif()
    set(CMAKE_C_COMPILER_LAUNCHER ${rondel_cp932_launcher} ${rondel_cp932_tool})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${rondel_cp932_launcher} ${rondel_cp932_tool})
  else()
    add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-fexec-charset=CP932>)
  endif()
  # The program's and the tests' own code: every warning is an error.
  set(RONDEL_WARNINGS -Werror -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-qual -Wformat=2
                      -Wimplicit-fallthrough -Wnull-dereference -Wmissing-declarations -Wundef -Wvla)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    list(APPEND RONDEL_WARNINGS -Wduplicated-cond -Wduplicated-branches -Wlogical-op -Wuseless-cast)
    # g++ 12 at -O3 warns of overlapping copies inside std::string that cannot happen (a known
    # false alarm of its own headers): kept as a warning, not an error.
    list(APPEND RONDEL_WARNINGS -Wno-error=restrict -Wno-error=stringop-overflow)
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

# The fuzz preset: the logic instrumented for libFuzzer, with AddressSanitizer and
# UndefinedBehaviorSanitizer; each fuzz target links libFuzzer's main (tests/fuzz).
option(RONDEL_FUZZ "Build the fuzz targets (clang, libFuzzer)" OFF)
if(RONDEL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang" OR WIN32)
    message(FATAL_ERROR "RONDEL_FUZZ needs clang on the host (libFuzzer)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
