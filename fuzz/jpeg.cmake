strakel_fuzzer(jpeg SOURCE ${CMAKE_CURRENT_LIST_DIR}/jpeg_fuzz.cpp DEPS strakel_engine)
