make
