# The generated pictures, tune and icon, checked as the saver and Windows will read them.
orvane_unit_test(assetgen_test assetgen_test.cpp)
add_dependencies(assetgen_test orvane_assets orvane-assetgen)
target_compile_definitions(assetgen_test PRIVATE
  ORVANE_ASSETGEN="$<TARGET_FILE:orvane-assetgen>")
