// (board simulator)
