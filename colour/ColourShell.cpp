// Placeholder translation unit: the conversion routines come later.
namespace {
[[maybe_unused]] int unused = 0;
}
