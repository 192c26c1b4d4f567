// (learning module: filled by the learning work)
