# The effects showcase generates its images with a little maths.
target_link_libraries(quarn-demo PRIVATE m)
