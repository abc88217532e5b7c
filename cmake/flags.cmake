# Compiler settings shared by every target of ours (not by GoogleTest).

option(TARNELLE_SANITIZE "Build native code with AddressSanitizer and UBSan" ON)
# The fuzz build (clang, natively): every library carries libFuzzer's coverage, and tests/ builds
# the fuzz targets alone.
option(TARNELLE_FUZZ "Build the libFuzzer targets in tests/fuzz instead of the tests" OFF)
if(TARNELLE_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

function(tarnelle_strict target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX /permissive- /utf-8 /EHsc)
  else()
    # A release is optimised for size: the program spends its day waiting for a key, and each
    # page of code it loads is memory it keeps (under Wine the whole image is read in).
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wconversion -Wshadow
                                             -Wnon-virtual-dtor -Werror $<$<CONFIG:Release>:-Os>)
  endif()
  if(WIN32)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                 _WIN32_WINNT=0x0A00 WINVER=0x0A00)
  elseif(TARNELLE_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# One self-contained file: the runtime is linked in, and the PE carries ASLR, DEP and
# high-entropy VA so that it needs nothing beyond the system DLLs.
function(tarnelle_windows_exe target)
  if(MINGW)
    target_link_options(${target} PRIVATE -municode -static -static-libgcc -static-libstdc++
                        -Wl,--dynamicbase,--nxcompat,--high-entropy-va $<$<CONFIG:Release,MinSizeRel>:-s>)
  elseif(MSVC)
    target_link_options(${target} PRIVATE /DYNAMICBASE /NXCOMPAT /HIGHENTROPYVA)
  endif()
endfunction()

# One folder's library. PORTABLE files need no Windows headers and are built natively too;
# WINDOWS files only in the Windows build, where the library also links WINDOWS_LIBS. A library
# sees the headers of its own folder and of the libraries it DEPENDS on, nothing else: each
# folder is offered through a directory of its own in the build tree, so an include of a
# higher layer does not compile. Natively a folder with no portable source is header-only.
function(tarnelle_library name folder)
  cmake_parse_arguments(arg "" "" "PORTABLE;WINDOWS;DEPENDS;WINDOWS_LIBS" ${ARGN})
  set(root ${PROJECT_BINARY_DIR}/layers/${folder})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} RESULT linked SYMBOLIC)
  if(NOT linked EQUAL 0)
    # Windows lets only some accounts make links: the build then works, without the fence.
    set(root ${PROJECT_SOURCE_DIR})
  endif()
  set(sources ${arg_PORTABLE})
  if(WIN32)
    list(APPEND sources ${arg_WINDOWS})
  endif()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${root})
    target_link_libraries(${name} PUBLIC ${arg_DEPENDS})
    if(WIN32)
      target_link_libraries(${name} PUBLIC ${arg_WINDOWS_LIBS})
    endif()
    tarnelle_strict(${name})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${root})
    target_link_libraries(${name} INTERFACE ${arg_DEPENDS})
  endif()
endfunction()
