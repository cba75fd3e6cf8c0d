strakel_fuzzer(sgi_huge_row SOURCE ${CMAKE_CURRENT_LIST_DIR}/sgi_huge_row_fuzz.cpp DEPS strakel_engine)
