strakel_fuzzer(bmp SOURCE ${CMAKE_CURRENT_LIST_DIR}/bmp_fuzz.cpp DEPS strakel_engine)
