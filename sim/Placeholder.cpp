void pellionSimPlaceholder() {}
