find_package(SQLite3 REQUIRED)
target_link_libraries(hv_core_${module} PUBLIC SQLite::SQLite3)
