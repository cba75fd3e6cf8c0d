strakel_fuzzer(sgi SOURCE ${CMAKE_CURRENT_LIST_DIR}/sgi_fuzz.cpp DEPS strakel_engine)
