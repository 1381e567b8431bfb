// The plain forms live in the files of this folder, one concept each; this
// unit keeps the library non-empty while they are being gathered.
namespace vexo::reference {
int ReferenceFormsVersion() { return 1; }
}  // namespace vexo::reference
