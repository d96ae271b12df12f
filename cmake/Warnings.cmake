# Warnings for everything built here; Qt, Ceres, GoogleTest and Google Benchmark come
# in as imported targets, so their headers are system headers and stay quiet.
add_compile_options(-Wall -Wextra -Wpedantic)
