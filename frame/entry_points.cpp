// placeholder until the entry points land
namespace twinel {}
