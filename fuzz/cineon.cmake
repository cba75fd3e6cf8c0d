strakel_fuzzer(cineon SOURCE ${CMAKE_CURRENT_LIST_DIR}/cineon_fuzz.cpp DEPS strakel_engine)
