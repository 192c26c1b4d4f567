// (app)
