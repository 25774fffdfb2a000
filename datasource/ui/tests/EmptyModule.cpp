// The code of the test modules that exist only for their resources: the
// C runtime's default DLL entry is all they need.
