// Placeholder translation unit for a core folder that has no code yet.
