# The delimited and fixed-width text source.
add_library(ferrovane_source_text STATIC ${CMAKE_CURRENT_LIST_DIR}/VxI2TXT.cpp)
target_include_directories(ferrovane_source_text PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(ferrovane_source_text PUBLIC ferrovane_engine)
