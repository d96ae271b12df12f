# Warnings for everything built here; Qt, Ceres, GoogleTest and Google Benchmark come
# in as imported targets, so their headers are system headers and stay quiet.
add_compile_options(-Wall -Wextra -Wpedantic)

# CALVANE_WERROR: the stricter set below, and any warning fails the build. CI builds
# this way, so the count stays at zero; -Wlogical-op and -Wuseless-cast are GCC's own.
if(CALVANE_WERROR)
  add_compile_options(-Werror -Wshadow -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual
                      -Wcast-qual -Wnull-dereference)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options(-Wlogical-op -Wuseless-cast)
  endif()
endif()
