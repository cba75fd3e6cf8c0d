strakel_fuzzer(tiff SOURCE ${CMAKE_CURRENT_LIST_DIR}/tiff_fuzz.cpp DEPS strakel_engine)
