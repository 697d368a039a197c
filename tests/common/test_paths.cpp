// Shared test helpers live here.
namespace twinel_test {}
