strakel_fuzzer(http_answer SOURCE ${CMAKE_CURRENT_LIST_DIR}/http_answer_fuzz.cpp DEPS strakel_net)
