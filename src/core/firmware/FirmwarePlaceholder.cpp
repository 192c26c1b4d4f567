// (firmware module)
