namespace forms {

// The system's font configuration has them (fonts-dejavu-core and -extra).
void ProvideFonts() {}

}  // namespace forms
