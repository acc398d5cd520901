# The cloud read with the real browser engine (offscreen) against the loopback
# site on 127.0.0.1. The engine's sandbox is off because the tests run as root.
tolvane_test(cloud_browser_test LABEL browser TIMEOUT 300
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/cloud_browser_test.cpp
  LIBS tolvane_cloud_view tolvane_test_support sim_cloudsite Qt6::Widgets OpenSSL::Crypto
  ENV QTWEBENGINE_DISABLE_SANDBOX=1
      "QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox --disable-gpu --disable-background-networking --disable-component-update --no-first-run --disable-sync")
target_compile_definitions(cloud_browser_test PRIVATE
  CLOUD_TEST_FIXTURES="${CMAKE_CURRENT_LIST_DIR}/fixtures")
