// (signal library)
