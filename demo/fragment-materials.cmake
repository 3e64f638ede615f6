# The material showcase animates with sin and cos.
target_link_libraries(quarn-demo PRIVATE m)
