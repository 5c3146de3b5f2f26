/* A program that only carries resources for the icon tests. */
int main(void) { return 0; }
