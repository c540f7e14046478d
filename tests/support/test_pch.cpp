// Only the carrier of the tests' precompiled headers (tests/CMakeLists.txt).
