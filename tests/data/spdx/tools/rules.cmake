set(X 1)
