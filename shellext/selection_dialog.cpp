// Placeholder until written.
