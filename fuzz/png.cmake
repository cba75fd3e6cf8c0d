strakel_fuzzer(png SOURCE ${CMAKE_CURRENT_LIST_DIR}/png_fuzz.cpp DEPS strakel_engine)
