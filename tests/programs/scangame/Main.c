/* A stand-in game program for the disk-scan tests: it only has to be a
   real executable, with or without a version resource. */
int main(void) { return 0; }
