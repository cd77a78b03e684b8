// Placeholder: filled in by the change that adds this part.
